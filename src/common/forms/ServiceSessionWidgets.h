#pragma once

#include "common/ServiceSession.h"

#include <QList>

class QEventLoop;

// The session service of the program: the shared parts, and montrerModal on widgets.
class ServiceSessionWidgets : public ServiceSessionCommun {
public:
    // Also leaves every modal show in progress, so that the run can end.
    void terminer(int code) override;
    // Shows the form (a QWidget) application-modal and returns once it is hidden, closed or destroyed.
    void montrerModal(QObject* form) override;

private:
    QList<QEventLoop*> m_boucles;
};
