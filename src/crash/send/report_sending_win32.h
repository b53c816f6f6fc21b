// Sending and printing a report object: what the box's buttons and AutoSend carry out once the
// action handlers and the assistant have had their turn.
#pragma once

#include <windows.h>

#include "crash/capture/crash_exception.h"
#include "crash/send/send_request_win32.h"

namespace roadsum {

// Registers sending and printing with the capture: the send and print actions and the
// automatic sender. The reporter's start calls it before the capture starts; the switches
// hold for every send of a report from then on.
void InstallSending(const SendSwitches& switches = {});

// The send request of a report: its text and settings, its screenshot, the report file with
// the report room's merging rules, the user's owner window. Hidden: no window at all.
SendRequest report_send_request(TCrashException& report, HWND owner, bool hidden);

// The user's send (in the background with SendInBackgr): true when it went, or went off to
// its background thread.
bool send_report_of(TCrashException& report, HWND owner);
// AutoSend: hidden and in the background, never a failure message or a mail client.
void send_report_automatically(TCrashException& report);
// The print dialog over `owner`, then the report in Courier New; not while the process is
// blocked (a beep instead). True when it was printed.
bool print_report_of(TCrashException& report, HWND owner);

}  // namespace roadsum
