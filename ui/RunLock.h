#pragma once
// The one guard of a conversion run: while a hold exists, everything that would change the lists, the options
// or the repository is refused, and the window shows the run's locked state.
#include <QObject>

namespace qvc {

class TRunLock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// True while a run holds the lock.
    bool Held() const { return m_held; }

    /// Holds the lock for its lifetime, so a run that ends by an exception still releases it.
    class THold
    {
    public:
        explicit THold(TRunLock &lock);
        ~THold();
        THold(const THold &) = delete;
        THold &operator=(const THold &) = delete;

    private:
        TRunLock &m_lock;
    };

Q_SIGNALS:
    /// The lock was taken (true) or released (false).
    void Changed(bool held);

private:
    bool m_held = false;
};

} // namespace qvc
