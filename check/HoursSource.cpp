#include "check/HoursSource.h"

#include "check/CheckSystem.h"

std::string HoursFilePath(const char* settingsPath)
{
    std::string path = settingsPath;
    size_t folder = path.find_last_of(folderSeparators);
    return (folder == std::string::npos ? std::string() : path.substr(0, folder + 1)) + "hours.cfg";
}

void FindHours(const char* settingsPath, HoursFound& found)
{
    found.filePath = HoursFilePath(settingsPath);
    static PolicyRead policy;
    ReadPolicy(policy);
    ChooseHours(policy, found.filePath.c_str(), found.hours);
    found.fileReplaced = false;
    if (policy.kind != PolicyHours::NotConfigured) {
        // There as the guard tells it: readable or not.
        static HoursSchedule unused;
        HoursError ignored;
        found.fileReplaced = ReadHoursFile(found.filePath.c_str(), unused, ignored) != HoursRead::Missing;
    }
}
