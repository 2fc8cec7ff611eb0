#include "tests/kit/OrdinaryUser.h"

#include <sys/wait.h>
#include <unistd.h>

int RunAsOrdinaryUser(const char* folder, const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        // 65534 is nobody.
        if ((::geteuid() == 0 && ::seteuid(65534) != 0) || ::access(folder, X_OK) != 0)
            ::_exit(kNoOrdinaryUser);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
