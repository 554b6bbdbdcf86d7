#pragma once

#include "context/DemoPortal.h"

namespace portalsim {
class PortalSimulator;
}

// The demo's portal: the portal simulator, in this process, with a fixed seed.
class SimulatedDemoPortal : public DemoPortal
{
public:
    SimulatedDemoPortal();
    ~SimulatedDemoPortal() override;

    bool start(int newItemSeconds) override;
    QString origin() const override;

private:
    std::unique_ptr<portalsim::PortalSimulator> m_simulator;
};
