#pragma once

#include <QString>
#include <functional>
#include <memory>

// The made-up portal that `--demo` runs against. The program supplies it (the portal simulator), so
// the libraries never carry an HTTP server.
class DemoPortal
{
public:
    virtual ~DemoPortal() = default;
    // Serves on a free loopback port, publishing a new item every `newItemSeconds`.
    virtual bool start(int newItemSeconds) = 0;
    virtual QString origin() const = 0; // "http://127.0.0.1:PORT"
};

using DemoPortalFactory = std::function<std::unique_ptr<DemoPortal>()>;
