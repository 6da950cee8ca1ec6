"""The late-bound face as a pywin32 script sees it."""
import pytest

import corvane


@pytest.fixture
def domain():
    d = corvane.Dispatch("Corvane.NTDomain", demo=True)
    d.sDomain = "CORVANE"
    return d


def test_properties_methods_and_names_without_case(domain):
    assert domain.sLastError == "SUCCESS"
    assert domain.sdc == domain.sDC == "\\\\DC1"
    assert repr(domain.Users) == "<COMObject Users>"
    domain.Users.sUserName = "alice"
    assert domain.Users.sUserName == "alice"
    assert domain.Users.oParent == domain


def test_by_reference_arguments_come_back_after_the_result(domain):
    added = domain.Users.Add("zed", "Pw-12345678", "", "c", "", "Zed Z", 1,
                             False)
    assert added == (True, "zed", "Pw-12345678", "", "c", "", "Zed Z", 1,
                     False)
    # Only a by-reference argument and no result: the array alone.
    names = domain.Groups.Enumerate(None)
    assert names[1:] == ("Domain Admins", "Domain Users", "Sales")


def test_a_password_comes_back_as_the_callers_own_object(domain):
    password = bytearray(b"Pw-12345678")
    result = domain.Users.Add("yan", password, "", "", "", "", 1, False)
    assert result[2] is password


@pytest.mark.parametrize("call, expected", [
    (lambda d: d.Users.Add(), (-2147352572, "Parameter not found.", None,
                               None)),
    (lambda d: d.Groups.Delete(object()), (-2147352571, "Type mismatch.",
                                           None, None)),
    (lambda d: corvane.Dispatch("No.Such", demo=True),
     (-2147221005, "Invalid class string", None, None)),
])
def test_automation_errors_as_pywin32_raises_them(domain, call, expected):
    with pytest.raises(corvane.com_error) as raised:
        call(domain)
    assert raised.value.args == expected
    assert raised.value.hresult == expected[0]


def test_an_error_with_source_and_description_carries_excepinfo():
    from corvane._errors import com_error_from
    from corvane import _corvane
    error = com_error_from(_corvane.AutomationFault(-2147221503, "Src",
                                                    "Desc"))
    assert error.args == (-2147352567, "Exception occurred.",
                          (0, "Src", "Desc", None, 0, -2147221503), None)


def test_unknown_names_are_attribute_errors(domain):
    with pytest.raises(AttributeError, match="Corvane.NTDomain.Nope"):
        domain.Nope
    with pytest.raises(AttributeError, match="can not be set"):
        domain.sDC = "x"


def test_the_pywin32_script_runs_unchanged(tmp_path, monkeypatch):
    import pathlib
    import re
    doc = pathlib.Path(__file__).resolve().parents[2] / "docs" / "python.md"
    script = re.search(r"<!-- pywin32 script -->\n```python\n(.*?)```",
                       doc.read_text(), re.S).group(1)
    (tmp_path / "script.py").write_text(script)
    monkeypatch.setenv("CORVANE_SIMULATE", str(tmp_path / "state.json"))
    from corvane import pywin32
    assert pywin32.main([str(tmp_path / "script.py")]) == 0
    with corvane.connect(simulate=tmp_path / "state.json",
                         domain="CORVANE") as conn:
        assert "pyuser" in set(conn.users())
