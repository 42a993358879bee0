#include "check/PolicyReport.h"

#include "check/Console.h"
#include "check/Messages.h"
#include "check/Text.h"
#include "config/Utf8.h"
#include "policy/OutcomeRecord.h"
#include "policy/RegistryKey.h"

#include <string.h>

const SettingsPolicy* checkedPolicy;

namespace {

SettingsPolicy policy;
const char* replacedFile;

std::string Utf8(const RegistryKey& key, const char* name)
{
    const RegistryValue* value = FindValue(key, name);
    std::string text;
    if (!value || value->type == ValueType::Other)
        return text;
    if (value->type == ValueType::Number)
        return std::to_string(value->number);
    const uint16_t* units = ValueText(key, *value);
    for (int i = 0; i < value->textLength; ++i) {
        long code = units[i];
        if (IsHighSurrogate(code) && i + 1 < value->textLength && IsLowSurrogate(units[i + 1]))
            code = JoinSurrogates(code, units[++i]);
        unsigned char bytes[utf8CharacterSize];
        text.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(EncodeUtf8(code, bytes)));
    }
    return text;
}

std::string FaultText()
{
    const char* name = policy.faultName;
    switch (policy.fault) {
    case SettingsPolicyFault::NameNotNumber:
        return Say(Message::PolicyNameNotNumber, name);
    case SettingsPolicyFault::NotText:
        return Say(Message::PolicyNotText, name);
    case SettingsPolicyFault::LineEnd:
        return Say(Message::PolicyLineEnd, name);
    default:
        return Text(Message::PolicyTooMuch);
    }
}

}  // namespace

bool TakeSettingsPolicy(const char* filePath)
{
    replacedFile = filePath;
    ReadSettingsPolicy(policy);
    checkedPolicy = PolicyDecides(policy) ? &policy : nullptr;
    ServeSettingsPolicy(checkedPolicy);
    return checkedPolicy != nullptr;
}

std::string Where(const Origin& at)
{
    if (checkedPolicy && at.path == settingsPolicyPath && at.line > 0)
        return at.path + "\\" + PolicyLineName(*checkedPolicy, at.line);
    std::string path = ShownPath(at.path);
    return at.line > 0 ? path + ":" + std::to_string(at.line) : path;
}

void PrintSettingsPolicy()
{
    Print(Say(Message::SettingsFromPolicy, ShownPath(replacedFile).c_str()));
    if (policy.view == RegistryView::Wow32)
        Print(Text(Message::SettingsPolicyView32));
    if (policy.state == SettingsPolicyState::Refused)
        AddWarning(Origin{settingsPolicyPath, 0}, Say(Message::SettingsPolicyRefused, FaultText().c_str()));
}

void PrintOutcome()
{
    static RegistryKey outcome;
    ReadRegistryKey(RegistryView::Native, PYXEN_OUTCOME_KEY, outcome);
    if (!outcome.present)
        return;
    const std::string key = "HKLM\\" PYXEN_OUTCOME_KEY;
    Print(Say(Message::OutcomeHeading, key.c_str()));
    std::string source = Utf8(outcome, "Source");
    if (!source.empty())
        Print(Say(Message::OutcomeApplied, Utf8(outcome, "Rules").c_str(), source.c_str(),
                  Utf8(outcome, "From").c_str(), Utf8(outcome, "AppliedAt").c_str()));
    std::string refusedAt = Utf8(outcome, "RefusedAt");
    if (refusedAt.empty())
        return;
    bool last = Utf8(outcome, "Result") == "refused";
    Print(Say(last ? Message::OutcomeLastRefused : Message::OutcomeRefusedBefore, refusedAt.c_str(),
              Utf8(outcome, "RefusedSource").c_str(), Utf8(outcome, "RefusalReason").c_str()));
    if (last)
        AddWarning(Origin{key, 0}, Text(Message::OutcomeEditRefused));
}
