#pragma once

#include <QCoreApplication>

// Translation context of every text the tool shows.
class SmeltworkTool
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkTool)
};
