// Link library: starts the program that the product registered for a link
// code, such as product registration.
//
// Registrations live under
//   HKEY_LOCAL_MACHINE\Software\Kelvaro\Links\<code in decimal>
// with the string values
//   "Command"    the command line to start (REG_SZ, or REG_EXPAND_SZ with
//                %variables% of the environment); required
//   "Directory"  working directory (same types); optional. Without it the
//                program's own folder is used when it exists.
// A product's installation writes them; the library only reads them.
#pragma once
#include <windows.h>

#ifdef LINK_BUILD
#define LINKAPI __declspec(dllexport)
#else
#define LINKAPI __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Link code of product registration.
#define LINK_PRODUCT_REGISTRATION 9936L

// Registry key (under HKEY_LOCAL_MACHINE) that holds one subkey per code.
#define LINK_REGISTRY_KEY "Software\\Kelvaro\\Links"

// Starts what is registered for code, with arguments (when not null or
// empty) appended to its command line after a blank, and does not wait for
// it. Returns 1 when a program was started, 0 when nothing is registered for
// the code or the program could not be started.
LINKAPI int LaunchLink(long code, const char* arguments);

#ifdef __cplusplus
}
#endif
