#include "check/Dispatch.h"

#include "rules/Rule.h"
#include "check/Encodings.h"
#include "check/Findings.h"
#include "check/Messages.h"
#include "check/Text.h"
#include "check/Traps.h"

// An unreadable program list is reported at the READ line that named it.
static Origin listOrigin;

void RecordConfigEvent(ConfigEvent event, const ConfigLine& line, int value)
{
    Origin at = {line.path, line.number};
    if (event != ConfigEvent::FileUnreadable)
        CheckText(event, at, line, value);
    switch (event) {
    case ConfigEvent::FileUnreadable:
        if (!line.programList) {
            settingsUnreadable = true;
        } else {
            AddWarning(listOrigin, Say(Message::ListUnreadable, Escaped(line.path).c_str()));
        }
        break;
    case ConfigEvent::LineCut:
        AddWarning(at, Text(Message::LineCut));
        break;
    case ConfigEvent::LineIgnored:
        CheckIgnoredLine(at, line);
        break;
    case ConfigEvent::IntervalSet:
        intervalOrigin = at;
        CheckKeywordLine(at, line, "INTER", value);
        CheckInterval(at, value);
        break;
    case ConfigEvent::MethodSet:
        CheckKeywordLine(at, line, "METHOD", value);
        break;
    case ConfigEvent::ListNamed:
        listOrigin = at;
        CheckKeywordLine(at, line, "READ", value);
        break;
    case ConfigEvent::RuleAdded:
        ruleOrigins[value] = at;
        CheckRuleLine(at, line, rules[value].name);
        CheckRule(value);
        break;
    case ConfigEvent::RuleDropped:
        AddWarning(at, Say(Message::RuleDropped, ruleCapacity));
        break;
    default:  // what the text itself tells, checked above
        break;
    }
}
