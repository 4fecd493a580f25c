#ifndef WAKEUP_H
#define WAKEUP_H

// The descriptor a thread of the service's own waits on beside its connections, so that another thread can wake it.
class WakeUp
{
public:
    WakeUp();
    ~WakeUp();
    WakeUp(const WakeUp &) = delete;
    WakeUp &operator=(const WakeUp &) = delete;

    bool isValid() const { return fd >= 0; }
    int descriptor() const { return fd; }
    void wake();
    // Takes the wakes that came, once the thread is awake.
    void clear();

private:
    int fd;
};

#endif // WAKEUP_H
