import pytest

import corvane


@pytest.fixture
def conn():
    with corvane.connect(demo=True, domain="CORVANE") as connection:
        yield connection
