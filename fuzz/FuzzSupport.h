#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What the fuzz targets share: the input as bytes, a scratch folder for readers that take a file, and
// a loud stop when an oracle fails.
namespace FuzzSupport {
QByteArray bytes(const std::uint8_t* data, std::size_t size);
// One folder for the whole run (in memory where /dev/shm exists), removed at exit.
QString scratchFolder();
// Writes `bytes` to `name` in the scratch folder, replacing what was there; returns the path.
QString writeScratch(const QString& name, const QByteArray& bytes);
[[noreturn]] void fail(const char* what);
} // namespace FuzzSupport
