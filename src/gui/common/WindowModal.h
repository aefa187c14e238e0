#pragma once

class QDialog;

// Shows `dialog` and waits until it closes, blocking only the window it belongs to and that
// window's parents: the calendar, which stands beside the main window, keeps taking input. The
// window opens no larger than the screen (WindowSizes::fitToScreen).
int execWindowModal(QDialog& dialog);
