#include "db/EtapesSchema.h"

#include "db/Connexion.h"
#include "db/Schema.h"

void enregistrerEtapesSchema() {
    // One call per step, in version order; the creation itself is version 1. A step receives the
    // connection inside its transaction (SchemaDorvane already held) and throws ErreurExecution on
    // failure, which rolls the step back whole. For example:
    //
    //     Schema::enregistrerEtape(2, [](Connexion& c) {
    //         c.executer(QStringLiteral("CREATE TABLE ..."));
    //     });
}
