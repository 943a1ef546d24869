#pragma once

// Runs velm-cli as a separate process, as other tools call it.

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct CliRun {
    int status = -1;
    std::string out;
};

inline CliRun runCli(const std::string &args, const std::string &input, const char *errors)
{
    std::string cmd = std::string(VELM_BIN_DIR) + "/velm-cli " + args + errors;
    if (!input.empty())
        cmd = "printf '%b' '" + input + "' | " + cmd;
    CliRun run;
    FILE *pipe = ::popen(cmd.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    int rc = ::pclose(pipe);
    run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return run;
}

// `args` is a shell word list; `input`, when given, is piped to standard input
// (backslash escapes such as \n are expanded). Standard error is dropped.
inline CliRun cli(const std::string &args, const std::string &input = "")
{
    return runCli(args, input, " 2>/dev/null");
}

// The same with standard error kept in `out`, for the messages scripts show.
inline CliRun cliWithErrors(const std::string &args)
{
    return runCli(args, "", " 2>&1");
}

inline int countLines(const std::string &s)
{
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}
