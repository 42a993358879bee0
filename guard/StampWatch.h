#pragma once
// A change to watched files is read only once their stamps have stayed the same for a
// quiet time, so that a file still being written is never read. A file that can't be
// reached (a share that is down) has not changed; once it can be again, its stamp is set
// against the one it was last read with. A file that is gone, where it can be looked
// for, has: an administrator took it away (hours.cfg deleted means no hours). The
// settings watch and the hours watch both settle their files this way.
#include "guard/GuardSystem.h"

// Whether now, a file's stamp, tells of a change since known, the stamp it was last
// read with.
inline bool StampChanged(const FileStamp& now, const FileStamp& known)
{
    if (now.gone != known.gone)
        return true;
    return now.reachable &&
           (!known.reachable || now.lastWrite != known.lastWrite || now.size != known.size);
}

// The settling of a change of a few files; seen is the caller's room for a stamp of each.
class StampWatch {
public:
    constexpr StampWatch(FileStamp* seen, GuardTime quietMs) : seen(seen), quietMs(quietMs) {}

    void Stop() { settling = false; }
    bool Settling() const { return settling; }
    GuardTime SettleAt() const { return settleAt; }

    // Looks at the files' stamps (count of them) at time: with nothing settling,
    // against known, those they were last read with (changed: a change no stamp tells
    // of); while a change settles, against those seen last. True once it has settled:
    // the files are to be read now, and now's stamps become the known ones.
    bool Settled(const FileStamp* now, const FileStamp* known, int count, GuardTime time,
                 bool changed = false)
    {
        if (!settling) {
            for (int i = 0; i < count && !changed; ++i)
                changed = StampChanged(now[i], known[i]);
            if (!changed)
                return false;
        } else {
            bool same = true;
            for (int i = 0; i < count && same; ++i)
                same = SameStamp(now[i], seen[i]);
            if (same && time < settleAt)
                return false;
            if (same) {
                settling = false;
                return true;
            }
        }
        // Still being written, or just changed: wait until it has been quiet a while.
        settling = true;
        for (int i = 0; i < count; ++i)
            seen[i] = now[i];
        settleAt = time + quietMs;
        return false;
    }

private:
    FileStamp* seen;
    GuardTime quietMs;
    bool settling = false;
    GuardTime settleAt = 0;
};
