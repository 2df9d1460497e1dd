#pragma once
// The terminal at the edge: the process's entry, text out (wide text on a Windows console,
// so Cyrillic reads right whatever its code page; a file or pipe on Windows gets the console's
// code page, as Windows programs read it), files by UTF-8 name, Ctrl-C as a flag the workers
// poll, the user's language.
#include <atomic>
#include <cstdio>
#include <string>

// The tool itself, given its arguments as UTF-8 text (on Windows the wide command line,
// converted, so a path outside the ANSI code page arrives whole).
int Vireo4Main(int argc, char** argv);

void WriteOut(const std::string& utf8);
void WriteErr(const std::string& utf8);

// Under --json standard output carries JSON documents: UTF-8 wherever it goes.
void SetJsonOutput(bool json);

// fopen by a UTF-8 name (on Windows _wfopen of the wide name).
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// Ctrl-C (and SIGTERM on Linux) sets the flag instead of ending the process, so ports are
// closed and the partial results printed.
void InstallInterruptHandler();
const std::atomic<bool>& InterruptFlag();

// kRussian when the user's locale is Russian, else kEnglish.
int LanguageFromLocale();

// Sleeps up to ms, returning early on Ctrl-C.
void SleepUnlessInterrupted(int ms);
