// SPDX-License-Identifier: Apache-2.0
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

// What a name is before it is opened, so that a FIFO or a device is never opened as a file (an
// open of a FIFO waits for a writer). Other: a FIFO, device, socket; Missing: *code tells why.
enum class FileKind { Regular, Directory, Other, Missing };
FileKind KindOfFile(const std::string& utf8Path, unsigned long* code);
// Why the last call of the C library's file functions failed (errno), in the user's language.
std::string FileErrorReason(int language);

// A write to stdout or stderr that did not get through (a full disk, /dev/full, a closed pipe)
// is remembered, and that stream is not written again: output cut short is an error, never
// an exit 0 behind a truncated file.
enum class OutputFault { None, Closed, Failed };  // Closed: the reader went away (| head)
OutputFault OutputFaultOf();
std::string OutputFaultReason();  // the system's words for a Failed write
// The system's words for an error number (errno; GetLastError on Windows), in UTF-8.
std::string SystemErrorText(unsigned long code);
// The same in the user's language: Russian for the errors a port or file commonly meets,
// otherwise the system's own words.
std::string SystemReason(int language, unsigned long code);
// Whether the reader of stdout has gone (a pipe closed by head) without writing to it, so a
// watch that prints nothing for a while still ends; the fault is then Closed.
bool OutputGone();

// Ctrl-C (and SIGTERM, SIGHUP on Linux) sets the flag instead of ending the process, so ports
// are closed, their settings given back and the partial results printed.
void InstallInterruptHandler();
const std::atomic<bool>& InterruptFlag();
// The exit code of a run the user stopped: 128 + the signal (130 Ctrl-C, 143 SIGTERM).
int InterruptedExitCode();

// kRussian when the user's locale is Russian, else kEnglish.
int LanguageFromLocale();

// Sleeps up to ms, returning early on Ctrl-C.
void SleepUnlessInterrupted(int ms);
