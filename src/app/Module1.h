// The program's pause: lets window events run, sleeps 175 ms, lets them run again.
#pragma once

namespace quellary {

inline constexpr unsigned shortPauseMilliseconds = 175;

void ShortPause();

} // namespace quellary
