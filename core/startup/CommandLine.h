// The command line: the text after the program's own name.
#pragma once

#include <optional>
#include <string>

namespace tidorax {

// The last argument of CommandLine, counting at most MaxArgs arguments; nullopt
// (the empty variant) when the command line holds none. Blanks, tabs, "/" and
// double quotes separate arguments and are dropped.
std::optional<std::string> GetLastArgument(const std::string& CommandLine, int MaxArgs = 10);

// The command line text of a process: its arguments after the program name joined
// with blanks.
std::string CommandLineText(int argc, const char* const* argv);

// True when the last argument selects the silent cleaning run ("A" or "a").
bool IsViriRererCommandLine(const std::string& CommandLine);

// True when an argument asks for the usage ("--help", "-h", "-?" or "/?").
bool IsHelpRequest(int argc, const char* const* argv);

// True when an argument asks for the version ("--version").
bool IsVersionRequest(int argc, const char* const* argv);

// What "tidorax --version" prints: the program's name and version, one line.
std::string VersionText();

// What "tidorax --help" prints: how to start the program, where its settings live,
// and where its manual is (HelpPath, or that it was not found).
std::string UsageText(const std::string& HelpPath);

} // namespace tidorax
