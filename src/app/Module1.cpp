#include "app/Module1.h"

#include "platform/ui.h"

namespace quellary {

void ShortPause() {
    doEvents();
    ::Sleep(shortPauseMilliseconds);
    doEvents();
}

} // namespace quellary
