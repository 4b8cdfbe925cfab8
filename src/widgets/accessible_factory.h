#pragma once

#include <QAccessible>

// Installs a factory of accessible interfaces once, however often it is
// asked (the widgets ask when they are made).
void InstallAccessibleFactoryOnce(QAccessible::InterfaceFactory factory);
