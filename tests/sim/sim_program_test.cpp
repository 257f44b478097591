// The brevik2-sim program as a user starts it: options, the slave name on stdout, the link, and
// a clean end on SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pty_host.h"

namespace brevik2::sim {
namespace {

struct Running {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Running launch(std::vector<std::string> arguments, bool quietStderr) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        if (quietStderr) {
            std::freopen("/dev/null", "w", stderr);
        }
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> argv;
        arguments.insert(arguments.begin(), BREVIK2_SIM_PROGRAM);
        for (std::string& a : arguments) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    return {pid, ::fdopen(pipeFds[0], "r")};
}

int waitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimProgram, BadOptionExitsWithTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--model", "999", "--link", "/tmp/x"},
          std::vector<std::string>{"--bogus"}, std::vector<std::string>{}}) {
        Running r = launch(args, true);
        ASSERT_GT(r.pid, 0);
        EXPECT_EQ(waitExit(r.pid), 2);
        std::fclose(r.out);
    }
}

TEST(SimProgram, PrintsTheSlaveServesAndCleansUpOnSigterm) {
    const std::string link = "/tmp/brevik2-sim-program-" + std::to_string(::getpid());
    Running r = launch({"--model", "402", "--link", link, "--unit-id", "77"}, false);
    ASSERT_GT(r.pid, 0);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, r.out), nullptr);
    std::string slave(line);
    ASSERT_EQ(slave.back(), '\n');
    slave.pop_back();
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(slave, target);
    {
        test::PtyHost host(link);
        ASSERT_TRUE(host.send("D*2"));
        const std::string reply = host.readUntil('\x03', std::chrono::milliseconds(1000));
        ASSERT_EQ(reply.size(), 145u);
        EXPECT_EQ(reply.substr(5, 5), "00077");
        EXPECT_EQ(reply.substr(135, 3), "402");
    }
    ::kill(r.pid, SIGTERM);
    EXPECT_EQ(waitExit(r.pid), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link is removed";
    std::fclose(r.out);
}

}  // namespace
}  // namespace brevik2::sim
