#include <cstdio>

#include "../lib/PluginModule.h"
#include "Commands.h"

namespace filterhost {

namespace {

std::string Printable(const std::vector<uint8_t>& data, size_t from) {
    std::string s;
    for (size_t i = from; i < data.size() && data[i] != 0; ++i) s.push_back(char(data[i]));
    return s;
}

std::string Describe(const PiplProperty& p) {
    auto le32 = [&p](size_t at) {
        return uint32_t(p.data[at]) | uint32_t(p.data[at + 1]) << 8 | uint32_t(p.data[at + 2]) << 16 |
               uint32_t(p.data[at + 3]) << 24;
    };
    const std::string key = FourCharText(p.key);
    char buffer[64];
    if ((key == "kind") && p.data.size() >= 4) return "'" + FourCharText(le32(0)) + "'";
    if ((key == "vers" || key == "prty") && p.data.size() >= 4) {
        std::snprintf(buffer, sizeof buffer, "0x%08X", unsigned(le32(0)));
        return buffer;
    }
    if ((key == "catg" || key == "name") && !p.data.empty())
        return "\"" +
               std::string(p.data.begin() + 1, p.data.begin() + 1 + std::min<size_t>(p.data[0], p.data.size() - 1)) +
               "\"";
    if (key == "wx86" || key == "8664" || key == "enbl") return "\"" + Printable(p.data, 0) + "\"";
    std::string hex;
    for (uint8_t b : p.data) {
        std::snprintf(buffer, sizeof buffer, "%02X ", b);
        hex += buffer;
    }
    return hex;
}

}  // namespace

int InfoCommand(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: filterhost info PLUGIN.8bf\n", stderr);
        return 2;
    }
    PluginModule plugin;
    std::string error;
    if (!plugin.Load(argv[2], &error)) {
        Complain("%s", error.c_str());
        return 2;
    }
    const Pipl& pipl = plugin.pipl();
    std::printf("PiPL version %u, %zu properties\n", unsigned(pipl.version), pipl.properties.size());
    for (const auto& p : pipl.properties)
        std::printf("  '%s' '%s' length %u: %s\n", FourCharText(p.vendor).c_str(), FourCharText(p.key).c_str(),
                    unsigned(p.length), Describe(p).c_str());
    std::printf("entry point: %s\n", pipl.EntryPointName().c_str());
    return 0;
}

}  // namespace filterhost
