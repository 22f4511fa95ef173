#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace bench {

std::string capture(const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& env) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string pair = *entry;
        if (env.count(pair.substr(0, pair.find('='))) == 0) {
            environment.push_back(pair);
        }
    }
    for (const auto& [name, value] : env) {
        environment.push_back(name + "=" + value);
    }
    std::vector<char*> argv, envp;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    for (const std::string& pair : environment) {
        envp.push_back(const_cast<char*>(pair.c_str()));
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    // Qt's and SDL's notices would break up the table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const bool started =
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string output;
    std::array<char, 4096> buffer{};
    ssize_t got = 0;
    while (started && (got = read(pipeFds[0], buffer.data(), buffer.size())) > 0) {
        output.append(buffer.data(), std::size_t(got));
    }
    close(pipeFds[0]);
    if (started) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return output;
}

}  // namespace bench
