// SPDX-License-Identifier: Apache-2.0
#pragma once
// A file that several programs append lines to at once (card --csv from two watches): each
// append is one write under an exclusive lock, and whoever first finds the file empty writes
// its header, so two writers never write two headers nor mix their lines.
#include <cstdint>
#include <string>

struct AppendFile {
    std::intptr_t handle = -1;
};

// Opens (creates) the file for appending and writes header when the file is empty. False with
// the system's reason.
bool OpenAppendFile(AppendFile* file, const std::string& path, const std::string& header, std::string* reason);

// Appends text whole. False with the system's reason (a full disk).
bool AppendToFile(AppendFile* file, const std::string& text, std::string* reason);

// Idempotent.
void CloseAppendFile(AppendFile* file);
