#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "disc/disc_set.h"
#include "disc/iso_image.h"

namespace disc {

namespace {

// Exit code of a child whose program could not be started.
constexpr int kNotStarted = 127;
// How much of the writer's output a message quotes.
constexpr size_t kQuotedOutput = 400;

// Runs the image writer with `args` (its name first); false with its last
// words when it fails.
bool RunImageWriter(std::vector<std::string> args, std::string* error) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int output[2];
    if (pipe(output) != 0) {
        *error = "no pipe for " + std::string(kImageWriter);
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(output[0]);
        close(output[1]);
        *error = std::string(kImageWriter) + " can't be started";
        return false;
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        close(output[0]);
        close(output[1]);
        execvp(argv[0], argv.data());
        _exit(kNotStarted);
    }
    close(output[1]);
    std::string said;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(output[0], buffer, sizeof buffer);
        if (got > 0) {
            said.append(buffer, static_cast<size_t>(got));
            if (said.size() > 2 * kQuotedOutput) said.erase(0, said.size() - kQuotedOutput);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(output[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNotStarted) {
        *error = std::string(kImageWriter) + " can't be started (scripts/install-deps.sh installs it)";
    } else {
        while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
        const size_t cut = said.size() > kQuotedOutput ? said.size() - kQuotedOutput : 0;
        *error = std::string(kImageWriter) + " failed: " + said.substr(cut);
    }
    return false;
}

}  // namespace

bool WriteIsoImage(const std::string& folder, const std::string& image, const std::string& label,
                   std::string* error) {
    if (RunImageWriter({kImageWriter, "-as", "mkisofs", "-quiet", "-J", "-joliet-long", "-r", "-V", label,
                        "-m", kLabelFileName, "-o", image, folder},
                       error))
        return true;
    unlink(image.c_str());
    return false;
}

bool ExtractIsoImage(const std::string& image, const std::string& folder, std::string* error) {
    return RunImageWriter({kImageWriter, "-osirrox", "on", "-indev", image, "-extract", "/", folder}, error);
}

}  // namespace disc
