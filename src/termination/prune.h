// The pruning pass after a run: removes every unticked item, from the top, down to the current item.
#pragma once

namespace quellary {

enum class PruneOutcome { ListEmpty, Done };

// The steps of the pass, announced as each begins, so that a failure can be told by where it happened.
enum class PrunePhase {
    Top,   // the empty-list test, at the top of the list or at the next item
    Tick,  // the tick test and the removal of an item
    Bound, // the test against the current item and the advance
};

// `List` offers count(), isTicked(i), remove(i) and current() (-1 for none) with the check-box list's
// rules: removing an item above the current one keeps that item current, removing the current item
// leaves none. The pass starts again at the top after every removal and ends at the first ticked item
// at or below the current one.
template <class List, class OnPhase> PruneOutcome prune(List& list, OnPhase enter) {
    int i = 0;
    for (;;) {
        enter(PrunePhase::Top);
        if (list.count() == 0) {
            return PruneOutcome::ListEmpty;
        }
        enter(PrunePhase::Tick);
        if (!list.isTicked(i)) {
            list.remove(i);
            i = 0;
            continue;
        }
        enter(PrunePhase::Bound);
        if (i <= list.current() - 1) {
            ++i;
            continue;
        }
        return PruneOutcome::Done;
    }
}

} // namespace quellary
