#pragma once
// Turns an open dataset into a data packet.

#include "DataSet.h"

#include <QObject>

class TDataSetProvider : public QObject {
    Q_OBJECT
public:
    explicit TDataSetProvider(QObject *owner = nullptr) : QObject(owner) {}
    TDataSet *DataSet = nullptr;
    // Packet of all rows of the open dataset.
    TDataPacket GetData() const;
};
