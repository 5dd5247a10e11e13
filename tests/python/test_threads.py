"""Sessions in separate Python threads run in parallel and give what they give alone; one
session shared between threads serialises its actions."""

import threading

import numpy

import dodavev

SAMPLE = "A=300\nn=5.9e22\nau,1\nS=\nn=4.98e22\nsi,1\n"


def simulate(e0):
    s = dodavev.Session()
    s.sample = SAMPLE
    s["target"], s["mt"] = "au", 197
    s["e0"] = e0
    return s.run("spectrum simulation").spectrum


def test_separate_sessions_in_threads_match_serial_runs():
    energies = [1500, 2000, 2500, 3000]
    serial = [simulate(e) for e in energies]
    parallel = [None] * len(energies)

    def work(i):
        parallel[i] = simulate(energies[i])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(energies))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(serial, parallel):
        numpy.testing.assert_array_equal(a, b)
    # Different beam energies give different spectra: the threads did not share inputs.
    assert serial[0].max() > 0
    assert not numpy.array_equal(serial[0], serial[-1])


def test_one_session_shared_by_threads_stays_whole():
    s = dodavev.Session()
    s.sample = SAMPLE
    reference = s.run("depth and energy resolution").resolution
    failures = []

    def work():
        try:
            for _ in range(3):
                s["e0"] = 3100
                numpy.testing.assert_array_equal(s.run("depth and energy resolution").resolution,
                                                 reference)
        except Exception as e:  # reported by the main thread
            failures.append(e)

    threads = [threading.Thread(target=work) for _ in range(3)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
