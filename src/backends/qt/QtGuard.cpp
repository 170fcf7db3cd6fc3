#include "backends/qt/QtGuard.h"

#include <QCoreApplication>
#include <exception>
#include <iostream>

void runGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        QCoreApplication::exit(1);
    } catch (...) {
        std::cerr << "larkspire: an unknown exception left an event handler\n";
        QCoreApplication::exit(1);
    }
}
