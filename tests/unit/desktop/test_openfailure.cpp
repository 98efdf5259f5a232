// Why a real port did not open, in words the user can act on.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "desktop/portlink.h"
#include "link/comm.h"

using namespace orvo;

TEST(OpenFailure, MissingDeviceAndNonTerminal) {
    orvo::PortLink link;
    EXPECT_EQ(link.CommOpen("/dev/ttyORVO-missing", 5, 0), LinkStatus::OpenFailed);
    EXPECT_FALSE(link.CommIsOpen());
    EXPECT_EQ(link.CommLastError(), "No such device: /dev/ttyORVO-missing");

    char path[] = "/tmp/orvo-notatty-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(link.CommOpen(path, 5, 0), LinkStatus::OpenFailed);
    EXPECT_FALSE(link.CommLastError().empty());
    unlink(path);
}

// Opens a pseudo-terminal as an unprivileged user: the reason names the device's group and
// how to join it.
TEST(OpenFailure, PermissionDeniedNamesTheGroupAndTheCommand) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave = ptsname(master);
    const group* g = getgrnam("dialout");
    const gid_t gid = g ? g->gr_gid : 20;
    ASSERT_EQ(chown(slave.c_str(), 0, gid), 0);
    ASSERT_EQ(chmod(slave.c_str(), 0660), 0);
    const std::string groupName = g ? "dialout" : std::to_string(gid);

    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(pipefd[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        orvo::PortLink link;
        const bool ok = link.CommOpen(slave, 5, 0) == LinkStatus::Ok;
        std::string e = link.CommLastError();
        if (write(pipefd[1], e.data(), e.size()) < 0) _exit(4);
        _exit(ok ? 1 : 0);
    }
    close(pipefd[1]);
    std::string text;
    char buf[512];
    ssize_t n;
    while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    close(pipefd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the port opened without permission";
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find("\"" + groupName + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("sudo usermod -aG " + groupName + " $USER"), std::string::npos) << text;
    EXPECT_NE(text.find("log in again"), std::string::npos) << text;
}
