#include "check/HoursSource.h"

#ifdef _WIN32
#include "hours/HoursPolicy.h"
#endif

std::string HoursFilePath(const char* settingsPath)
{
    std::string path = settingsPath;
#ifdef _WIN32
    size_t folder = path.find_last_of("\\/:");
#else
    size_t folder = path.find_last_of('/');
#endif
    return (folder == std::string::npos ? std::string() : path.substr(0, folder + 1)) + "hours.cfg";
}

void FindHours(const char* settingsPath, HoursFound& found)
{
    found.filePath = HoursFilePath(settingsPath);
    found.refused = false;
    found.fileReplaced = false;
    found.origin = HoursOrigin::None;
#ifdef _WIN32
    PolicyHours policy = ReadHoursPolicy(found.schedule, found.error);
    if (policy != PolicyHours::NotConfigured) {
        found.origin = policy == PolicyHours::Always ? HoursOrigin::PolicyDisabled : HoursOrigin::Policy;
        found.refused = policy == PolicyHours::Refused;
        // There as the guard tells it: readable or not.
        static HoursSchedule unused;
        HoursError ignored;
        found.fileReplaced = ReadHoursFile(found.filePath.c_str(), unused, ignored) != HoursRead::Missing;
        return;
    }
#endif
    HoursRead read = ReadHoursFile(found.filePath.c_str(), found.schedule, found.error);
    if (read != HoursRead::Missing)
        found.origin = HoursOrigin::File;
    found.refused = read == HoursRead::Refused;
}
