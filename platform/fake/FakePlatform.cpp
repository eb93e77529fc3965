#include "platform/fake/FakePlatform.h"

namespace tidorax {

void FakePlatform::reset(const std::string& newRoot) {
    root = newRoot;
    env.clear();
    env["HOME"] = root + "/home";
    env["XDG_CONFIG_HOME"] = root + "/config";
    env["XDG_CACHE_HOME"] = root + "/cache";
    env["XDG_DATA_HOME"] = root + "/data";
    env["TMPDIR"] = root + "/tmp";
    hivePath = root + "/config/tidorax/registry.sqlite3";
    autostartFolder = root + "/config/autostart";
    programFolderPath = root + "/bin";
    executableName = "tidorax";
    homeFromUserDatabase.clear();
    version.reset();
    shownBoxes.clear();
    scriptedAnswers.clear();
    messageBoxHandler = nullptr;
    reopenHive();
}

void FakePlatform::reopenHive() {
    hive_.reset();
    hive_ = std::make_unique<RegistryHive>(
        hivePath, AutostartRedirect{autostartFolder, programFolderPath + "/tidorax"});
}

std::string FakePlatform::homeFolder() const {
    const auto home = env.find("HOME");
    return home != env.end() && !home->second.empty() ? home->second : homeFromUserDatabase;
}

RegistryHive& FakePlatform::registry() {
    if (!hive_) {
        reopenHive();
    }
    return *hive_;
}

std::optional<std::string> FakePlatform::environment(const std::string& name) const {
    const auto it = env.find(name);
    if (it == env.end()) {
        return std::nullopt;
    }
    return it->second;
}

int FakePlatform::GetVersionExA(OsVersionInfo& info) {
    if (!version) {
        return 0;
    }
    info = *version;
    return 1;
}

int FakePlatform::MsgBox(const std::string& prompt, int buttons, const std::string& title) {
    shownBoxes.push_back({prompt, buttons, title});
    if (messageBoxHandler) {
        return messageBoxHandler(prompt, buttons, title);
    }
    if (!scriptedAnswers.empty()) {
        const int answer = scriptedAnswers.front();
        scriptedAnswers.erase(scriptedAnswers.begin());
        return answer;
    }
    return (buttons & 0x0F) == 4 ? IDYES : IDOK;
}

} // namespace tidorax
