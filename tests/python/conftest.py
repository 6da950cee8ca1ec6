import pytest

import corvane


@pytest.fixture
def conn():
    with corvane.connect(demo=True, domain="CORVANE") as connection:
        yield connection


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "integration: needs the test domain controller "
        "(tests/dc/with-dc.sh)")
