#pragma once

// Lists the titled top-level windows open now and, for each, the rules that would ask
// it to close. Reads titles only: nothing is sent to any window.
void ListWindows();
