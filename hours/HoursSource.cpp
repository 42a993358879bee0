#include "hours/HoursSource.h"

void ReadPolicy(PolicyRead& read)
{
    ClearHours(read.schedule);
    read.error = HoursError{0, HoursFault::None};
    read.kind = ReadHoursPolicy(read.schedule, read.error);
}

void ChooseHours(const PolicyRead& policy, const char* path, HoursChosen& chosen)
{
    chosen.refused = false;
    chosen.error = HoursError{0, HoursFault::None};
    ClearHours(chosen.schedule);
    switch (policy.kind) {
    case PolicyHours::Lines:
        chosen.source = HoursSource::Policy;
        chosen.schedule = policy.schedule;
        return;
    case PolicyHours::Always:
        chosen.source = HoursSource::PolicyOff;
        return;
    case PolicyHours::Refused:
        chosen.source = HoursSource::Policy;
        chosen.refused = true;
        chosen.error = policy.error;
        return;
    case PolicyHours::NotConfigured:
        break;
    }
    HoursRead read = ReadHoursFile(path, chosen.schedule, chosen.error);
    chosen.source = read == HoursRead::Missing ? HoursSource::None : HoursSource::File;
    chosen.refused = read == HoursRead::Refused;
}
