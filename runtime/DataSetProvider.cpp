#include "DataSetProvider.h"

TDataPacket TDataSetProvider::GetData() const
{
    if (!DataSet)
        throw EDatabaseError(QStringLiteral("%1: nenhum conjunto de dados ligado.").arg(objectName()));
    if (!DataSet->Active())
        throw EDatabaseError(QStringLiteral("%1: o conjunto de dados está fechado.").arg(objectName()));
    return DataSet->Data();
}
