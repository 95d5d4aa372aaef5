#include "data/document.h"

DocumentBase::DocumentBase(const QString &path) : m_file(path)
{
    connect(&m_file, &FileSession::recoveryFailed, this, &DocumentBase::recoveryFailed);
    connect(&m_file, &FileSession::diskChanged, this, &DocumentBase::diskChanged);
}
