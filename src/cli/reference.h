// SPDX-License-Identifier: Apache-2.0
#pragma once
// The reference of vireo4: its commands, their options, the options of every command, what
// each status means (its word and exit code are the core's, core/status.h) and the exit codes
// with their meanings. The parser, the
// --help texts, the man page and the manual's command-line chapter all read it, so a command,
// an option or a status exists once. Texts are UTF-8, {English, Russian}; `text` in backquotes
// is a literal (bold on the man page, code in the manual).
#include <cstddef>

#include "cli/args.h"
#include "core/status.h"

struct RefText {
    const char* english;
    const char* russian;
    const char* In(int language) const;
};

// An option: its name, its argument's placeholder (null for a switch).
struct OptionRef {
    const char* name;     // "--timeout"
    RefText argument;     // {"MS", "МС"}; {nullptr, nullptr}: takes none
    const char* alias;    // another spelling the help shows ("/?"), or null
    RefText summary;      // one line of the --help overview
    RefText description;  // the man page and the manual
    bool TakesValue() const { return argument.english != nullptr; }
};

struct CommandRef {
    Command command;
    const char* name;                // "find"
    RefText arguments;               // "[PORT...]"
    RefText summary;                 // one line of the --help overview
    RefText description;             // the manual's table of commands
    const OptionRef* options;        // its own, besides those of every command
    std::size_t optionCount;
};

struct StatusRef {
    Status status;
    const char* description;  // English, for the man page
};

struct ExitCodeRef {
    int code;
    RefText summary;      // a clause of the --help's one sentence; null for codes it leaves out
    RefText description;  // the man page and the manual
};

const CommandRef* CommandRefs(std::size_t* count);
const CommandRef* FindCommandRef(Command command);
// The options every command takes, in the order the help lists them; --version last.
const OptionRef* SharedOptionRefs(std::size_t* count);
// Every status the tool reports, in the order of Status.
const StatusRef* StatusRefs(std::size_t* count);
const ExitCodeRef* ExitCodeRefs(std::size_t* count);

// "--version" stands anywhere and ends the command line's meaning; "--help" (or its alias)
// asks for the help of the command it follows.
constexpr const char kVersionOption[] = "--version";
constexpr const char kHelpOption[] = "--help";
