#include "ui/RunLock.h"

namespace qvc {

TRunLock::THold::THold(TRunLock &lock)
    : m_lock(lock)
{
    m_lock.m_held = true;
    Q_EMIT m_lock.Changed(true);
}

TRunLock::THold::~THold()
{
    m_lock.m_held = false;
    Q_EMIT m_lock.Changed(false);
}

} // namespace qvc
