"""Threads, the GIL, Ctrl-C and memory."""
import os
import resource
import signal
import threading
import time

import pytest

import corvane


def wait_for(predicate):
    for _ in range(5000):
        if predicate():
            return
        time.sleep(0.001)
    raise AssertionError("never happened")


def test_python_runs_while_another_thread_waits_in_a_controller_call():
    held = corvane.connect(demo=True, domain="CORVANE", _hold_calls=True)
    other = corvane.connect(demo=True, domain="CORVANE")
    held._session._hold_calls()
    names = []
    worker = threading.Thread(target=lambda: names.extend(held.users()))
    worker.start()
    wait_for(lambda: held._session._calls_waiting() == 1)
    # This thread's Python code and its own connection run meanwhile.
    assert "alice" in set(other.users())
    # The same connection from a second thread is refused, not entered.
    with pytest.raises(corvane.ConnectionBusy):
        held.user("alice")
    held._session._release_calls()
    worker.join()
    assert "alice" in names
    held.close()
    other.close()


def test_ctrl_c_during_a_long_listing(monkeypatch):
    monkeypatch.setenv("CORVANE_SIMULATED_USERS", "20000")
    with corvane.connect(demo=True, domain="CORVANE") as conn:
        seen = 0
        with pytest.raises(KeyboardInterrupt):
            for _ in conn.users():
                seen += 1
                if seen == 1:
                    os.kill(os.getpid(), signal.SIGINT)
        assert seen < 20000


def test_ten_thousand_calls_keep_memory_bounded(conn):
    def rss_kb():
        return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    for _ in range(1000):
        conn.user("alice")
    before = rss_kb()
    for _ in range(10000):
        conn.user("alice")
        conn.domain_object.Users.sUserName = "alice"
    assert rss_kb() - before < 20 * 1024
