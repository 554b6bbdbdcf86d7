// zelvora-portal-sim: serves the simulated portal on 127.0.0.1 until interrupted.
#include "portalsim/PortalSimulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t s_stop = 0;
void onSignal(int)
{
    s_stop = 1;
}

int usage()
{
    std::fprintf(stderr, "usage: zelvora-portal-sim [--port N] [--seed S] [--new-every SECONDS]\n");
    return 2;
}

bool readNumber(const char* text, long long maximum, long long& out)
{
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (!end || *end != '\0' || value < 0 || value > maximum)
        return false;
    out = value;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    portalsim::PortalSimulator::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            usage();
            return 0;
        }
        if (i + 1 >= argc)
            return usage();
        long long value = 0;
        if (option == "--port" && readNumber(argv[i + 1], 65535, value))
            options.port = static_cast<std::uint16_t>(value);
        else if (option == "--seed" && readNumber(argv[i + 1], 1LL << 62, value))
            options.seed = static_cast<std::uint64_t>(value);
        else if (option == "--new-every" && readNumber(argv[i + 1], 86400, value))
            options.newEvery = std::chrono::seconds(value);
        else
            return usage();
        ++i;
    }

    portalsim::PortalSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "zelvora-portal-sim: cannot listen on 127.0.0.1:%u\n", options.port);
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("Portal simulator listening on %s\n", simulator.origin().c_str());
    std::printf("Run: ZELVORA_PORTAL_ORIGIN=%s zelvora poll\n", simulator.origin().c_str());
    std::fflush(stdout);
    while (!s_stop)
        pause();
    simulator.stop();
    return 0;
}
