#pragma once

class ProcessHooks;

// Windows' requests to end the program, which ProcessHooks turns into terminationRequested()
// as it does the POSIX signals: the console's events and a logoff's question to the windows.
void installEndRequests(ProcessHooks *hooks);
void removeEndRequests();
