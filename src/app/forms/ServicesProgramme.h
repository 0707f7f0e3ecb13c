#pragma once

#include "common/forms/ImprimanteCourante.h"
#include "common/forms/ServiceDialogueWidgets.h"
#include "common/forms/ServiceSessionWidgets.h"
#include "staff/ACR120U.h"
#include "staff/PiloteACR120PCSC.h"

// The program's services on the real desktop and devices, installed for as long as the object lives
// (message boxes and the session on widgets, the printers, the contactless reader through PC/SC) and
// taken out when it goes.
class ServicesProgramme {
public:
    ServicesProgramme() {
        installerServiceDialogue(&m_dialogues);
        installerServiceSession(&m_session);
        installerCollectionImprimantes();
        ACR120U::installerPilote(&m_piloteLecteurTag);
        installerLecteurTag(&m_lecteurTag);
    }
    // Nothing is left pointing at the services once they are gone.
    ~ServicesProgramme() {
        installerLecteurTag(nullptr);
        ACR120U::installerPilote(nullptr);
        installerServiceSession(nullptr);
        installerServiceDialogue(nullptr);
    }
    ServicesProgramme(const ServicesProgramme&) = delete;
    ServicesProgramme& operator=(const ServicesProgramme&) = delete;

private:
    ServiceDialogueWidgets m_dialogues;
    ServiceSessionWidgets m_session;
    PiloteACR120PCSC m_piloteLecteurTag;
    LecteurTagACR120 m_lecteurTag;
};
