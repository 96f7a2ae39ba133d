// Makes the receiver access library loadable on the host as "VarnUSB.dll" (not built for
// Windows, where it is a real DLL).
#pragma once

// Registers the module with its twelve exports by name and ordinal and its entry, replacing
// any module of that name. Call after each machine reset (which forgets every module).
void RegisterReceiverLibraryModule();
