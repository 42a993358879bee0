#pragma once
// Records each outcome where policy/OutcomeRecord.h says, for scripts and the checker.
#include "policy/OutcomeRecord.h"

#include <stdint.h>

// The settings from source (L"policy" or L"file", and the view's name) with rules, taken now.
void RecordApplied(const wchar_t* source, const wchar_t* view, const wchar_t* from, int rules);

// An attempt of source refused now, and why, in English (policy/OutcomeRecord.h).
void RecordRefused(const wchar_t* source, const wchar_t* from, const wchar_t* reason);

// A moment (UTC seconds since 1601) as ISO 8601, into text (at least 24 characters).
void WriteUtcText(int64_t utc, wchar_t* text);
