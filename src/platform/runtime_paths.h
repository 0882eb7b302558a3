#pragma once
// Where the per-user run-time objects of the program live: the instance lock and the socket
// of the message port, both named after the product string.
#include <QString>

namespace platform {

// The product string made safe for a file or socket name: every character other than
// A-Z, a-z, 0-9, '.', '-' and '_' becomes '_' ("TELMA_QX-418GRY_Device").
QString SanitisedProductName();

// The user's run-time folder ($XDG_RUNTIME_DIR, or the per-user folder Qt makes under the
// temporary folder when it is not set). When neither is usable: the temporary folder, and the
// names below then carry the user id so that users do not meet.
QString RuntimeFolder();

// <run-time folder>/TELMA_QX-418GRY_Device.lock
QString InstanceLockPath();
// <run-time folder>/TELMA_QX-418GRY_Device.sock
QString MessagePortPath();

}  // namespace platform
