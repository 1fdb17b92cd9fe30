// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Showing a file or folder to the user in their file manager.

#include <QString>

#include <functional>

namespace quelto::FileManager {

// How long the file manager may take to answer (it may have to start first) before
// the folder is opened instead.
inline constexpr int kShowTimeoutMs = 5000;

// Asks the file manager (the freedesktop FileManager1 service on the session bus) to
// show `path` selected in its folder; when none answers, opens `path` itself with the
// desktop's handler for folders. Returns at once; the answer arrives later.
// `failed` runs when nothing could show it.
void showItem(const QString& path, std::function<void()> failed = {});

} // namespace quelto::FileManager
