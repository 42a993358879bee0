#include "guard/GuardPass.h"

#include "guard/Guard.h"
#include "guard/HoursWatch.h"

namespace {

// Every pass looks at the hours: one after the clock was set or the PC slept finds
// itself inside or outside them at once.
GuardTime NextPass()
{
    CheckHours();
    GuardTime next = GuardNextWake();
    GuardTime hours = NextHoursCheck();
    return next == 0 || hours < next ? hours : next;
}

}  // namespace

GuardTime GuardBegin(const char* hoursPath)
{
    StartHoursWatch(hoursPath);
    GuardStart(HoursEnforcing());
    return NextPass();
}

GuardTime GuardPass(const GuardWake& wake)
{
    if (wake.clockChanged)
        HoursReadAgain();
    for (int i = 0; i < wake.changeCount; ++i) {
        if (wake.changes[i].kind == SessionChangeKind::Logon)
            GuardLogon(wake.changes[i].session);
        else
            GuardLogoff(wake.changes[i].session);
    }
    if (wake.changesLost)
        GuardReconcile();
    if (wake.settingsApplied)
        wake.settingsApplied();
    if (wake.policyChanged)
        HoursPolicyChanged();
    if (wake.folderChanged)
        HoursFolderChanged();
    GuardPoll();
    return NextPass();
}
