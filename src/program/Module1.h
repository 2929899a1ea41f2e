// The code module: the program's pause, and the clock of its run records.
#pragma once

namespace quellary {

struct RunRecord;

inline constexpr unsigned shortPauseMilliseconds = 175;

// Lets window events run, sleeps 175 ms, lets them run again.
void ShortPause();

// The record's time is now: when the program starts, and again when a run starts.
void stampRunRecord(RunRecord& record);

} // namespace quellary
