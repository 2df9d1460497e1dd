// SPDX-License-Identifier: Apache-2.0
// vireo4: the command-line tool for Vireo-4 readers. One dispatch, top to bottom.
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/help.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/reader.h"

namespace {

std::string TrimmedLine(const std::string& text) { return text.substr(0, text.find_last_not_of('\n') + 1); }

}  // namespace

int UsageFailure(const Options& options, const std::string& message) {
    std::string help = options.commandName.empty() ? "vireo4 --help" : "vireo4 " + options.commandName + " --help";
    WriteErr("vireo4: " + message + "\n" + Format(MessageText(options.language, Msg::UsageSeeHelp), help) + "\n");
    // A program that asked for JSON gets a document on a usage error too.
    if (options.json) {
        WriteOut(JsonLine({{"ok", false}, {"status", StatusWord(Status::Usage)}, {"error", message},
                           {"exit_code", kExitUsage}}));
    }
    return kExitUsage;
}

int RunCommand(const Options& options) {
    switch (options.command) {
        case Command::Ports: return RunPorts(options);
        case Command::Find: return RunFind(options);
        case Command::Read: return RunRead(options);
        case Command::Write: return RunWrite(options);
        case Command::Apply: return RunApply(options);
        case Command::Card: return RunCard(options);
        case Command::None: break;
    }
    return kExitUsage;
}

// The exit code as scripts read it: output that did not get through outranks the command's
// own result (a closed pipe quietly, as any tool killed by SIGPIPE; anything else with a
// message, also when stderr itself fails), and a stop by a signal is 128 + its number.
int Finish(int language, int code) {
    switch (OutputFaultOf()) {
        case OutputFault::Closed: return kExitOutputClosed;
        case OutputFault::Failed:
            WriteErr("vireo4: " + Format(MessageText(language, Msg::OutputFailed), OutputFaultReason()) + "\n");
            return kExitPortError;
        case OutputFault::None: break;
    }
    return code == kExitInterrupted ? InterruptedExitCode() : code;
}

int Vireo4Main(int argc, char** argv) {
    InstallInterruptHandler();
    Options options;
    std::string error;
    const bool parsed = ParseArguments(argc, argv, LanguageFromLocale(), &options, &error);
    SetJsonOutput(options.json);
    if (!parsed) return Finish(options.language, UsageFailure(options, error));
    // Under --json every outcome is one document on stdout, the texts of help and version too.
    if (options.version) {
        WriteOut(options.json ? JsonLine({{"version", TrimmedLine(kVersionText)}, {"ok", true},
                                          {"status", StatusWord(Status::Ok)}})
                              : std::string(kVersionText));
        return Finish(options.language, kExitOk);
    }
    if (options.help) {
        const std::string help = HelpText(options.language, options.command);
        WriteOut(options.json ? JsonLine({{"help", help}, {"ok", true}, {"status", StatusWord(Status::Ok)}}) : help);
        return Finish(options.language, kExitOk);
    }
    if (options.command == Command::None) {
        if (options.json) return Finish(options.language, UsageFailure(options, MessageText(options.language, Msg::UsageNoCommand)));
        WriteErr(HelpText(options.language, options.command));
        return Finish(options.language, kExitUsage);
    }
    return Finish(options.language, RunCommand(options));
}
