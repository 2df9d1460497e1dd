#pragma once
// The terminal at the edge: UTF-8 out (wide text on a Windows console, so Cyrillic reads right
// whatever its code page), Ctrl-C as a flag the workers poll, the user's language.
#include <atomic>
#include <string>

void WriteOut(const std::string& utf8);
void WriteErr(const std::string& utf8);

// Ctrl-C (and SIGTERM on Linux) sets the flag instead of ending the process, so ports are
// closed and the partial results printed.
void InstallInterruptHandler();
const std::atomic<bool>& InterruptFlag();

// kRussian when the user's locale is Russian, else kEnglish.
int LanguageFromLocale();

// Sleeps up to ms, returning early on Ctrl-C.
void SleepUnlessInterrupted(int ms);
