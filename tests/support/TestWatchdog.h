#pragma once
// The watchdog of every test program (TestWatchdog.cpp) ends the program when a test runs
// past kTestTimeLimit. The folders that tests make for themselves are named to it, so
// that it removes them then, as their owners would have.

#include <string>

void RemoveIfTheWatchdogEnds(const std::string& folder);
// The owner has removed the folder itself.
void ForgetForTheWatchdog(const std::string& folder);
