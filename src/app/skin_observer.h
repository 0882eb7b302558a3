#pragma once
// The skin-change observer: one process-wide observer hands every background change to the
// receivers subscribed to it (the main window), in subscription order.
#include <QString>
#include <QtGlobal>
#include <map>

struct SkinChangedParam {
    bool bColor = false;  // true: a plain colour; false: a picture
    quint32 bkcolor = 0;  // ARGB, when bColor
    QString bgimage;      // image string or file path, when !bColor; empty: no picture
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
  public:
    virtual ~ObserverImplBase() = default;
    virtual void Subscribe(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void Unsubscribe(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT Publish(ParamT param) = 0;
    virtual ReturnT PublishWithSource(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
  public:
    virtual ~ReceiverImplBase() = default;
    virtual int OnSubscribed(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void UnsubscribeAll() = 0;
    virtual ReturnT OnPublish(ParamT param) = 0;
    virtual ReturnT OnPublishWithSource(ParamT param,
                                        ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    // The observer is going away: drop every reference to it.
    virtual void ForgetObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
};

template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
  public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    ~ObserverImpl() override {
        for (auto& [number, receiver] : m_receivers) receiver->ForgetObserver(this);
    }

    void Subscribe(Receiver* receiver) override {
        if (!receiver) return;
        m_receivers[m_next] = receiver;
        receiver->OnSubscribed(this);
        ++m_next;
    }

    // Removes the first entry, in subscription order, that holds the receiver.
    void Unsubscribe(Receiver* receiver) override {
        if (!receiver) return;
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second == receiver) {
                m_receivers.erase(it);
                return;
            }
        }
    }

    ReturnT Publish(ParamT param) override {
        // A receiver may unsubscribe while it is called: walk a copy.
        const auto receivers = m_receivers;
        for (auto& [number, receiver] : receivers) receiver->OnPublish(param);
        return ReturnT();
    }

    ReturnT PublishWithSource(ParamT param) override {
        const auto receivers = m_receivers;
        for (auto& [number, receiver] : receivers) receiver->OnPublishWithSource(param, this);
        return ReturnT();
    }

    int SubscriptionCount() const { return static_cast<int>(m_receivers.size()); }

  private:
    std::map<int, Receiver*> m_receivers;
    int m_next = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
  public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    // A receiver that goes away leaves no dangling entry behind in its observers.
    ~ReceiverImpl() override { UnsubscribeAll(); }

    int OnSubscribed(Observer* observer) override {
        m_observers[m_next++] = observer;
        return static_cast<int>(m_observers.size());
    }

    void UnsubscribeAll() override {
        const auto observers = m_observers;
        m_observers.clear();
        for (auto& [number, observer] : observers) observer->Unsubscribe(this);
    }

    ReturnT OnPublish(ParamT) override { return ReturnT(); }
    ReturnT OnPublishWithSource(ParamT, Observer*) override { return ReturnT(); }

    void ForgetObserver(Observer* observer) override {
        for (auto it = m_observers.begin(); it != m_observers.end();)
            it = it->second == observer ? m_observers.erase(it) : std::next(it);
    }

  private:
    std::map<int, Observer*> m_observers;
    int m_next = 0;
};

using SkinChangedObserver = ObserverImpl<int, SkinChangedParam>;
using SkinChangedReceiver = ReceiverImpl<int, SkinChangedParam>;

// The process-wide observer, created on first use and kept until the process ends.
SkinChangedObserver& GetSkinObserver();

// What the main window does with a published change: on its control "root", a colour
// clears the picture and a picture sets the colour to 0. Returns 1, or 0 without a root.
class QWidget;
int ApplySkinChange(QWidget* root, const SkinChangedParam& param);
