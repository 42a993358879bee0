#pragma once
// Which hours apply: the machine policy's when it is configured, or else hours.cfg's.
// The one answer the guard acts on and the checker shows.
#include "hours/HoursPolicy.h"

enum class HoursSource {
    None,       // no hours.cfg and no policy: enforcing always
    File,       // hours.cfg
    Policy,     // the policy, enabled
    PolicyOff,  // the policy, disabled: enforcing always, whatever hours.cfg says
};

// The policy as ReadHoursPolicy gave it.
struct PolicyRead {
    PolicyHours kind;
    HoursSchedule schedule;
    HoursError error;
};

void ReadPolicy(PolicyRead& read);

struct HoursChosen {
    HoursSource source;
    bool refused;  // error says where and why; schedule holds nothing to use
    HoursError error;
    HoursSchedule schedule;  // no range: always
};

// Takes the policy's hours, or reads hours.cfg at path when the policy leaves it to
// the file; the file is not opened otherwise.
void ChooseHours(const PolicyRead& policy, const char* path, HoursChosen& chosen);
