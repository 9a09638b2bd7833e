// The names under which a running vtx.exe or vtxctl holds its instance mutex. The plain name
// lives in one logon session only; the Global one is seen from every session, so that a vtxctl
// run by a service, a remote shell or a scheduled task (session 0) and a window open on the
// desktop still exclude each other. Both are taken: the plain name is what earlier versions hold.
#pragma once

constexpr const char* kInstanceMutexNames[] = {"Veltrix", "Global\\Veltrix"};
