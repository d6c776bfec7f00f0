// Demo documents for a data folder that holds demo masters: invoices, credit
// notes, cancelled invoices with their cancelling documents and proformas,
// spread over several years, made through the document logic.
#pragma once

#include <QDate>
#include <QtGlobal>
#include <functional>

namespace orvix {

class Database;

struct DemoDocumentOptions {
    int documents = 2000;
    quint32 seed = 1;
    // Issue dates run evenly from first to last; an invalid first date means
    // several years back from last (more years for more documents).
    QDate first;
    QDate last = QDate::currentDate();
    // Documents written per transaction.
    int batch = 2000;
    // Called after each batch with the number of documents made so far.
    std::function<void(int)> progress;
};

// Adds the documents to an open data folder. Refuses with DemoDataError when
// the folder already holds documents or has no customers or products; a batch
// that fails leaves the batches before it in place and nothing of itself.
void fillDemoDocuments(Database& db, const DemoDocumentOptions& options);

} // namespace orvix
