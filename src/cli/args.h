// SPDX-License-Identifier: Apache-2.0
#pragma once
// The command line: a command, its ports and settings, and the options every command shares.
#include <string>
#include <vector>

enum class Command : int { None, Ports, Find, Read, Write, Apply, Card };

constexpr int kDefaultTimeoutMs = 700;  // the window's own probe window

struct Options {
    Command command = Command::None;
    std::string commandName;
    std::vector<std::string> ports;        // find, apply: any number; read, write, card: one
    std::vector<std::string> assignments;  // write: NAME=VALUE
    std::string profile;                   // apply
    bool json = false;
    bool verbose = false;      // notes on stderr: ports a glob matched that were skipped, holders unseen
    int timeoutMs = kDefaultTimeoutMs;
    int language = 0;
    bool raw = false;          // read: setting characters; write: rawChars holds them
    std::string rawChars;
    bool profileOut = false;   // read --profile
    bool dryRun = false;       // write, apply
    bool watch = false;        // card
    std::string csv;           // card
    bool help = false;
    bool version = false;
};

// Parses argv. False with a message in the user's language (the nearest valid name suggested)
// on a usage error. defaultLanguage applies unless --lang is given.
bool ParseArguments(int argc, char** argv, int defaultLanguage, Options* options, std::string* error);

// The valid name nearest to word among candidates, or "" when none is close.
std::string NearestName(const std::string& word, const std::vector<std::string>& candidates);

const char* CommandName(Command command);
