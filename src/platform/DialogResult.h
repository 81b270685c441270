#pragma once

// How a modal window ended, for the window that opened it. `Open` while it still runs.
// The numbers are the button ids that end a dialog (OK = 1, Cancel = 2).
enum class DialogResult : int { Open = 0, Ok = 1, Cancel = 2 };
