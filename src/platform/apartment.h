// Per-thread initialisation of component services (and OLE on top of them). Objects can be
// created only on a thread where component services are initialised.
#pragma once

namespace platform {

// Each call adds one to the calling thread's count; each uninitialise removes one
// (never below 0). OLE initialisation also initialises component services.
void InitializeComponentServices();
void UninitializeComponentServices();
void InitializeOle();
void UninitializeOle();

// The calling thread's current counts.
int ComponentServicesCount();
int OleCount();

}  // namespace platform
