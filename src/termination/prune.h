// The pruning pass after a run: removes every unticked item, from the top, down to the current item.
#pragma once

namespace quellary {

enum class PruneOutcome { ListEmpty, Done };

// `List` offers count(), isTicked(i), remove(i) and current() (-1 for none) with the check-box list's
// rules: removing an item above the current one keeps that item current, removing the current item
// leaves none. The pass starts again at the top after every removal and ends at the first ticked item
// at or below the current one.
template <class List> PruneOutcome prune(List& list) {
    int i = 0;
    for (;;) {
        if (list.count() == 0) {
            return PruneOutcome::ListEmpty;
        }
        if (!list.isTicked(i)) {
            list.remove(i);
            i = 0;
            continue;
        }
        if (i <= list.current() - 1) {
            ++i;
            continue;
        }
        return PruneOutcome::Done;
    }
}

} // namespace quellary
