// Preloaded into the console tool (LD_PRELOAD), this stands in for a name server that never
// answers: looking up a name under "unanswered.test" waits a minute, far past any open's time-out,
// and then fails; every other name goes to the system's resolver. When VANTROLIX_LOOKUP_MARK
// names a file, a waiting look-up creates it first, so a test knows the look-up is under way.

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <unistd.h>

namespace {

bool Unanswered(const char* node)
{
    constexpr std::string_view kDomain = ".unanswered.test";
    const std::string_view name = node ? node : "";
    return name.size() > kDomain.size() && name.substr(name.size() - kDomain.size()) == kDomain;
}

} // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** found)
{
    if (Unanswered(node)) {
        if (const char* mark = std::getenv("VANTROLIX_LOOKUP_MARK")) {
            const int fd = open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0)
                close(fd);
        }
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return EAI_AGAIN;
    }
    using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return real(node, service, hints, found);
}
