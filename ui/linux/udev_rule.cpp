#include "ui/linux/udev_rule.h"

#include "platform/linux.h"

#include <climits>

namespace {

// FWUPDATER_UDEV_RULE (the rule's file name) and FWUPDATER_PACKAGE come from
// the package's settings in the build.

const char kInstalledRules[] = "/usr/lib/udev/rules.d/";

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// The folder of the running program, with its final '/'.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return "";
    }
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/') + 1);
}

} // namespace

RulePlace FindUdevRule(std::string* path) {
    *path = std::string(kInstalledRules) + FWUPDATER_UDEV_RULE;
    if (Exists(*path)) {
        return RulePlace::Installed;
    }
    *path = ProgramFolder() + FWUPDATER_UDEV_RULE;
    if (Exists(*path)) {
        return RulePlace::BesideProgram;
    }
    path->clear();
    return RulePlace::Nowhere;
}

const char* PackageName() {
    return FWUPDATER_PACKAGE;
}
