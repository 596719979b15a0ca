#include "platform/qt/qt_main_queue.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

TEST(QtMainQueue, TasksRunOnTheLoopAndAreDroppedOnceTheContextIsGone)
{
    auto context = std::make_unique<QObject>();
    platform::QtMainQueue queue(context.get());
    int ran = 0;
    queue.async([&ran] { ++ran; });
    std::thread([&] { queue.async([&ran] { ++ran; }); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 2) << "from the main thread and from another";

    queue.async([&ran] { ++ran; }); // queued, then its context goes
    context.reset();
    queue.async([&ran] { ++ran; }); // after: must not touch the freed context
    std::thread([&] { queue.async([&ran] { ++ran; }); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 2);
}

} // namespace
