#pragma once
#include <QString>

// Texts of the about and declaration windows that name the program's owners
// and their addresses, kept together so a distributor changes them in one place.
namespace AuxConfig {
inline QString applicationTitle() { return QStringLiteral("Melvora"); }
inline QString contactEmail() { return QStringLiteral("info@example.org"); }
inline QString homePage() { return QStringLiteral("https://example.org/melvora/"); }
inline QString ownershipNotice() { return QStringLiteral("本软件版权归 Melvora 作者所有"); }
// Wraps onto two lines in the declaration window.
inline QString signature() { return QStringLiteral("作者敬上 2026.5.10"); }
} // namespace AuxConfig
