// What quorvel-sim runs: the simulated device on the network or on a serial line.
#pragma once

#include <thread>

class SimService {
public:
    virtual ~SimService() = default;

    // Serves until Stop(); a transfer still running then is abandoned.
    virtual void Serve() = 0;
    // May be called from any thread, also before Serve().
    virtual void Stop() = 0;
};

// Runs a service on a thread of its own while this object lives.
class ServiceThread {
public:
    explicit ServiceThread(SimService& service)
        : service_(service), thread_([this] { service_.Serve(); }) {}
    ~ServiceThread() {
        service_.Stop();
        thread_.join();
    }
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;

private:
    SimService& service_;
    std::thread thread_;
};
