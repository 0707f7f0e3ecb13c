#pragma once

#include <QIcon>

// The picture of the buttons that choose a period: a calendar leaf.
QIcon iconeCalendrier();
