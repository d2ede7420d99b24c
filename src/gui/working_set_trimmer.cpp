#include "gui/working_set_trimmer.h"

#include <QCoreApplication>

WorkingSetTrimmer::WorkingSetTrimmer(platform::WorkingSet& workingSet, QObject* parent)
    : QObject(parent)
    , tick_(workingSet, [] { QCoreApplication::processEvents(); })
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] { tick_(); });
}
