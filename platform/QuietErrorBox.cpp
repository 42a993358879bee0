#include "platform/Window.h"

// The readers show a box when a file can't be read or the table is full. A program that
// must never stop on a box links this one: the checker, which reports on a console, and
// the guard, a service. Both learn the same from the readers' observer and say it in
// their own way.
void ShowErrorBox(const wchar_t*, const wchar_t*, const char*)
{
}
