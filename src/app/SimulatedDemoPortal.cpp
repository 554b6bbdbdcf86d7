#include "app/SimulatedDemoPortal.h"

#include "portalsim/PortalSimulator.h"

SimulatedDemoPortal::SimulatedDemoPortal() = default;

SimulatedDemoPortal::~SimulatedDemoPortal() = default;

bool SimulatedDemoPortal::start(int newItemSeconds)
{
    portalsim::PortalSimulator::Options options;
    options.newEvery = std::chrono::seconds(newItemSeconds);
    options.seed = 2026;
    m_simulator = std::make_unique<portalsim::PortalSimulator>(options);
    return m_simulator->start();
}

QString SimulatedDemoPortal::origin() const
{
    return m_simulator ? QString::fromStdString(m_simulator->origin()) : QString();
}
